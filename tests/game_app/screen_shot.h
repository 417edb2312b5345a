// What the tests look at and listen to: a window's pixels read through Xlib (saved
// as PNG for people), and a wave file written by OpenAL Soft's wave backend.
// Depends on Xlib, ag_image.
#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

struct rgb_t {
    double r, g, b;
};

struct shot_t {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // width * height * 3, top row first
    // Mean colour of the rectangle [x1, x2) x [y1, y2).
    rgb_t mean(int x1, int y1, int x2, int y2) const;
    // Mean absolute difference per channel (0..255) against another shot over the rectangle.
    double diff(const shot_t& other, int x1, int y1, int x2, int y2) const;
};

// The window's current pixels (empty when the window cannot be read).
shot_t screen_shot(Display* xd, Window win);
// Write the shot as an RGB PNG, making the folder. False when it cannot be written.
bool screen_shot_save(const shot_t& shot, const std::string& path);

struct wave_t {
    int rate = 0, channels = 0;
    std::vector<float> samples;  // interleaved, scaled to -32768..32767
    // Root mean square over [from_ms, to_ms) of the file's time line, all channels.
    double rms_ms(double from_ms, double to_ms) const;
};

// Read a 16-bit PCM wave file; rate 0 when unreadable or of another sample size.
wave_t wave_read(const std::string& path);
