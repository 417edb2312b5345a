// Engine showcase: a stand-in for the game until the game installs its own handlers.
// It shows the renderer working end to end: a textured, lit model spinning in the
// offscreen framebuffer (multisampled when the driver can), composed to the window.
// Depends on kx_app, kx_render, game_fbo.
#pragma once

// Put the showcase's handlers into the kx_app slots (OnInitDisplay, OnProcess,
// OnResize, OnTerm, and OnKeyDown: Escape quits). Call between kxAppZero and kxAppInit.
void engine_showcase_install();
