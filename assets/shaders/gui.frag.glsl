#version 110
// Panels are a translucent slate with a light top edge, turning blue when
// hovered; textured quads come from the GUI atlas and brighten when hovered.
uniform sampler2D u_sampler;
uniform vec4 u_pos_modif;
varying vec4 v_uv;
varying float v_mode;

void main() {
    vec4 c;
    if (v_mode > 0.5) {
        vec3 top = mix(vec3(0.16, 0.19, 0.25), vec3(0.22, 0.5, 0.78), v_uv.z);
        vec3 bottom = mix(vec3(0.07, 0.08, 0.11), vec3(0.1, 0.28, 0.5), v_uv.z);
        vec3 rgb = mix(top, bottom, v_uv.y);
        float edge = 1.0 - smoothstep(0.0, 0.06, v_uv.y);
        c = vec4(rgb + edge * 0.18, 0.78 + 0.12 * v_uv.z);
    } else {
        c = texture2D(u_sampler, v_uv.xy);
        c.rgb *= 1.0 + 0.3 * v_uv.z;
    }
    gl_FragColor = vec4(c.rgb, c.a * u_pos_modif.w);
}
