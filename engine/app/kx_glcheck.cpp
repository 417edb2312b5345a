// GL error check after each GL step; only logs.
#include "engine/app/kx_glcheck.h"

#include <GL/gl.h>

#include "engine/app/kx_log.h"

void kxCheckGlError(const char* where) {
    // One query only: further queued errors are left for the next check.
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR) kxLog("NTEST: glError (code %d) on [%s] \n", static_cast<int>(code), where);
}
