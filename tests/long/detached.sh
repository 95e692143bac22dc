# Sourced by the real-time tests. play_detached CMD... runs the program in a new session, without a
# controlling terminal, so that it keeps the streams it is given (stdout.txt, stderr.txt).
play_detached() {
  setsid -w "$@" >stdout.txt 2>stderr.txt
}
