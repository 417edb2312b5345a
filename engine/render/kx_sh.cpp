// Shader programs: building from files or texts with every step checked and the
// info logs copied to the engine log, location lookups, and the engine programs.
// Depends on kx_gl, kx_log, kx_glcheck.
#include "engine/render/kx_sh.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/render/kx_gl.h"

kx_sh_t kx_sh_default;
kx_sh_t kx_sh_pyramid;

namespace {

constexpr int kSourceBufferSize = KX_SH_MAX_SOURCE + 1;
constexpr int kInfoLogSize = 250;

const char* const kDefaultVertex =
    "uniform mat4 u_proj;\nuniform mat4 u_modelview;\nattribute vec4 a_pos;\nattribute vec2 a_uv;\nvarying vec2 "
    "vTextureCoord;\nvarying vec3 vPos;\nvoid main() {\n  vPos.xyz = a_pos.xyz;\n   gl_Position = u_proj * "
    "u_modelview * a_pos;\n  vTextureCoord = a_uv;\n}\n";
const char* const kDefaultFragment =
    "varying vec2 vTextureCoord;\nvarying vec3 vPos; \nuniform sampler2D sTexture;\nvoid main() {\n  gl_FragColor = "
    "texture2D(sTexture, vTextureCoord);\n}\n";
const char* const kPyramidVertex =
    "uniform mat4 u_proj;\nuniform mat4 u_modelview;\nattribute vec4 a_pos;\nvoid main() {\n  gl_Position = u_proj * "
    "u_modelview * a_pos;\n}\n";
const char* const kPyramidFragment =
    "uniform float k_value;\nvoid main() {\n  gl_FragColor = vec4(k_value, 1.0 - k_value, 0.1, 0.99);\n}\n";

// The three info logs, each printed when not empty.
void print_info_logs(const kx_sh_t* sh) {
    char log[kInfoLogSize];
    GLsizei len = 0;
    log[0] = '\0';
    glGetShaderInfoLog(static_cast<GLuint>(sh->slot[KX_SH_VERTEX]), kInfoLogSize, &len, log);
    if (len != 0) kxLog("- vs: %s\n", log);
    len = 0;
    log[0] = '\0';
    glGetShaderInfoLog(static_cast<GLuint>(sh->slot[KX_SH_FRAGMENT]), kInfoLogSize, &len, log);
    if (len != 0) kxLog("- fs: %s\n", log);
    len = 0;
    log[0] = '\0';
    glGetProgramInfoLog(static_cast<GLuint>(sh->slot[KX_SH_PROGRAM]), kInfoLogSize, &len, log);
    if (len != 0) kxLog("- program: %s\n", log);
}

// Read a whole source file into buf (zero-terminated). Returns 0 without reading
// when the file is missing or too long for the buffer; logs why.
int read_source(const char* path, char* buf, const char* short_read_message) {
    FILE* f = std::fopen(path, "rt");
    if (f == nullptr) {
        kxLog("file %s is not exists !!!!! \n", path);
        return 0;
    }
    std::fseek(f, 0, SEEK_END);
    const long length = std::ftell(f);
    std::rewind(f);
    if (length < 0 || length > KX_SH_MAX_SOURCE) {
        kxLog("file %s is too long for a shader source (%ld bytes, at most %ld) \n", path, length,
              KX_SH_MAX_SOURCE);
        std::fclose(f);
        return 0;
    }
    const size_t got = std::fread(buf, 1, static_cast<size_t>(length), f);
    if (got < static_cast<size_t>(length)) kxLog("%s\n", short_read_message);
    buf[got] = '\0';
    std::fclose(f);
    return 1;
}

void compile_vertex(kx_sh_t* sh, const char* text) {
    const GLuint vs = static_cast<GLuint>(sh->slot[KX_SH_VERTEX]);
    glShaderSource(vs, 1, &text, nullptr);
    glCompileShader(vs);
    kxCheckGlError("compile shader vert");
    print_info_logs(sh);
    kxCheckGlError("write info log ");
    glAttachShader(static_cast<GLuint>(sh->slot[KX_SH_PROGRAM]), vs);
    kxCheckGlError("attach shader vert");
}

void compile_fragment(kx_sh_t* sh, const char* text) {
    const GLuint fs = static_cast<GLuint>(sh->slot[KX_SH_FRAGMENT]);
    glShaderSource(fs, 1, &text, nullptr);
    glCompileShader(fs);
    kxCheckGlError("compile shader frag");
    print_info_logs(sh);
    glAttachShader(static_cast<GLuint>(sh->slot[KX_SH_PROGRAM]), fs);
    kxCheckGlError("attach frag shader");
    kxCheckGlError("write info log before linkning");
}

int link_and_validate(kx_sh_t* sh) {
    const GLuint program = static_cast<GLuint>(sh->slot[KX_SH_PROGRAM]);
    glLinkProgram(program);
    kxCheckGlError("glLinkProgram");
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == 0) {
        kxLog("%s\n", "Error when linking:");
        print_info_logs(sh);
    }
    glValidateProgram(program);
    kxCheckGlError("glValidate");
    GLint valid = 0;
    glGetProgramiv(program, GL_VALIDATE_STATUS, &valid);
    kxCheckGlError("glGetPogramiv validate status");
    if (valid == 0) {
        kxLog("%s\n", "Error, not validated: ");
        print_info_logs(sh);
    }
    return linked != 0 ? 1 : 0;
}

// Steps common to both builds: slots to -1, then the three GL objects.
void create_objects(kx_sh_t* sh) {
    for (int32_t& s : sh->slot) s = -1;
    kxCheckGlError("starting kx_sh_create");
    sh->slot[KX_SH_PROGRAM] = static_cast<int32_t>(glCreateProgram());
    sh->slot[KX_SH_VERTEX] = static_cast<int32_t>(glCreateShader(GL_VERTEX_SHADER));
    sh->slot[KX_SH_FRAGMENT] = static_cast<int32_t>(glCreateShader(GL_FRAGMENT_SHADER));
    kxCheckGlError("glCreateProgram");
}

}  // namespace

int kx_sh_create(kx_sh_t* sh, const char* vs_path, const char* fs_path) {
    create_objects(sh);
    std::unique_ptr<char[]> buf(new char[kSourceBufferSize]);
    std::memset(buf.get(), 0, kSourceBufferSize);

    if (!read_source(vs_path, buf.get(), "Error reading buffer (VS)!")) return 0;
    compile_vertex(sh, buf.get());

    std::memset(buf.get(), 0, kSourceBufferSize);
    if (!read_source(fs_path, buf.get(), "Error reading buffer (FS)!")) return 0;
    compile_fragment(sh, buf.get());

    return link_and_validate(sh);
}

int kx_sh_create_src(kx_sh_t* sh, const char* vs_text, const char* fs_text) {
    create_objects(sh);
    compile_vertex(sh, vs_text);
    compile_fragment(sh, fs_text);
    return link_and_validate(sh);
}

void kx_sh_use(const kx_sh_t* sh) { glUseProgram(static_cast<GLuint>(sh->slot[KX_SH_PROGRAM])); }

int32_t kx_sh_uniform(const kx_sh_t* sh, const char* name) {
    return glGetUniformLocation(static_cast<GLuint>(sh->slot[KX_SH_PROGRAM]), name);
}

int32_t kx_sh_attrib(const kx_sh_t* sh, const char* name) {
    return glGetAttribLocation(static_cast<GLuint>(sh->slot[KX_SH_PROGRAM]), name);
}

void kx_sh_destroy(kx_sh_t* sh) {
    const GLuint program = static_cast<GLuint>(sh->slot[KX_SH_PROGRAM]);
    glUseProgram(0);
    kxCheckGlError("sh destroy start. detaching...");
    glDetachShader(program, static_cast<GLuint>(sh->slot[KX_SH_VERTEX]));
    kxCheckGlError("sh destroy detaching frag...");
    glDetachShader(program, static_cast<GLuint>(sh->slot[KX_SH_FRAGMENT]));
    kxCheckGlError("sh destroy: deleting vert...");
    glDeleteShader(static_cast<GLuint>(sh->slot[KX_SH_VERTEX]));
    kxCheckGlError("sh destroy: deleting frag...");
    glDeleteShader(static_cast<GLuint>(sh->slot[KX_SH_FRAGMENT]));
    kxCheckGlError("sh destroy: deleting main program...");
    glDeleteProgram(program);
}

namespace {

// Build one engine program, make it current and fill its matrix and position slots.
void build_engine_program(kx_sh_t* sh, const char* vs, const char* fs, const char* what) {
    kx_sh_create_src(sh, vs, fs);
    kxCheckGlError(what);
    kx_sh_use(sh);
    kxCheckGlError("kx_sh_use default shader");
    sh->slot[KX_SH_U_PROJ] = kx_sh_uniform(sh, "u_proj");
    sh->slot[KX_SH_U_MODELVIEW] = kx_sh_uniform(sh, "u_modelview");
    sh->slot[KX_SH_A_POS] = kx_sh_attrib(sh, "a_pos");
}

}  // namespace

void kx_sh_init() {
    kxCheckGlError("starting kx_sh_init");
    build_engine_program(&kx_sh_default, kDefaultVertex, kDefaultFragment, "kx_sh_create default shader");
    kx_sh_default.slot[KX_SH_A_UV] = kx_sh_attrib(&kx_sh_default, "a_uv");
    kx_sh_default.slot[KX_SH_U_SAMPLER] = kx_sh_uniform(&kx_sh_default, "sTexture");
    kxCheckGlError("four get locations");
    build_engine_program(&kx_sh_pyramid, kPyramidVertex, kPyramidFragment, "kx_sh_create pyramid shader");
    kx_sh_pyramid.slot[KX_SH_K_VALUE] = kx_sh_uniform(&kx_sh_pyramid, "k_value");
    kxCheckGlError("four get locations");
}

void kx_sh_term() {
    kx_sh_destroy(&kx_sh_default);
    kx_sh_destroy(&kx_sh_pyramid);
}
