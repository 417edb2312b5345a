#version 110
// u_lval_k: x = ambient, y = sun strength (half of it reaches a face that looks
// straight at the sun), z unused. u_color is added on top: the game passes the
// players' team tints and the red of a hit flash there.
uniform sampler2D u_sampler;
uniform vec3 u_lval_k;
uniform vec4 u_color;
varying vec2 v_uv;
varying vec3 v_normal;
varying vec3 v_sun;
varying vec3 v_up;

void main() {
    vec3 n = normalize(v_normal);
    float sun = max(dot(n, normalize(v_sun)), 0.0);
    float sky = 0.5 + 0.5 * dot(n, normalize(v_up));
    float light = u_lval_k.x + u_lval_k.y * 0.5 * sun + 0.12 * sky;
    vec4 tex = texture2D(u_sampler, v_uv);
    gl_FragColor = vec4(tex.rgb * light + u_color.rgb, tex.a * u_color.a);
}
