# Sourced by the scripts that run Windows programs under Wine: wine_session PREFIX gives
# the script a Wine prefix of its own at PREFIX (with its own trash for what Wine moves to
# the recycle bin), an Xvfb display and one Wine server for all its programs; when the
# script exits, every process of the session ends and the prefix is deleted.
wine_session() {
  export WINEPREFIX=$1
  export XDG_DATA_HOME=$WINEPREFIX-data
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES='mscoree=d;mshtml=d'
  # Xvfb takes a free display itself and says which once it accepts clients: two sessions
  # started together never share one display, which the first to end would take away.
  local displayfile
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 </dev/null &
  wine_session_xvfb=$!
  trap wine_session_end EXIT
  for _ in $(seq 300); do
    [ -s "$displayfile" ] || ! kill -0 "$wine_session_xvfb" 2>/dev/null && break
    sleep 0.1
  done
  local display
  display=$(head -n 1 "$displayfile")
  rm -f "$displayfile"
  if [ -z "$display" ]; then
    echo "wine_session: Xvfb did not start a display" >&2
    exit 1
  fi
  export DISPLAY=":$display"
  "$(dirname "${BASH_SOURCE[0]}")/make-prefix" || exit 1
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_session_end() {
  wineserver -k >/dev/null 2>&1
  kill "$wine_session_xvfb" 2>/dev/null
  wait "$wine_session_xvfb" 2>/dev/null
  rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$XDG_DATA_HOME"
}
