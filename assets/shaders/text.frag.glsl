#version 110
// The font image carries white glyphs with a dark rim; alpha fades the text.
uniform sampler2D u_sampler;
uniform vec4 u_pos_modif;
varying vec2 v_uv;

void main() {
    vec4 c = texture2D(u_sampler, v_uv);
    gl_FragColor = vec4(c.rgb, c.a * u_pos_modif.w);
}
