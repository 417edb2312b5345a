// Labelled GL error check: reports, never acts.
#pragma once

// Read one GL error code; when nonzero, log it with the label `where`.
void kxCheckGlError(const char* where);
