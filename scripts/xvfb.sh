# Sourced by scripts: start a private Xvfb on a free display and stop it again.
# Xvfb picks the display itself (-displayfd), so parallel runs never collide;
# -noreset keeps it from resetting (and refusing connections) whenever the
# last client of one test leaves while the next test connects.
xvfb_start() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset +extension GLX 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local n
  read -r n <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$n"
  echo "Xvfb on $DISPLAY (pid $XVFB_PID)"
}
xvfb_stop() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
