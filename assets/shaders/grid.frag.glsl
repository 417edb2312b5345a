#version 110
varying vec2 v_uv;

void main() {
    vec2 f = abs(fract(v_uv) - 0.5);
    float line = step(0.47, max(f.x, f.y));
    gl_FragColor = vec4(mix(vec3(0.15, 0.17, 0.2), vec3(0.5, 0.8, 1.0), line), 1.0);
}
