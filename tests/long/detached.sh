# Sourced by the real-time tests. play_detached CMD... runs the program in a new session, without a
# controlling terminal, so that it keeps the streams it is given (stdout.txt, stderr.txt). Many
# tests start at once against one X server, which now and then refuses a connection; a run that
# failed only for that is started again.
play_detached() {
  local status=0
  for attempt in 1 2 3 4 5; do
    setsid -w "$@" >stdout.txt 2>stderr.txt
    status=$?
    [ "$status" -eq 1 ] && grep -q 'Failed to open display' stderr.txt || return "$status"
    sleep 0.3
  done
  return "$status"
}
