// A stand-in for one of the phone's own programs (the message composer, the calendar).
// It does nothing itself: its start, with the command line it was given, is what the
// device's journal shows.
int main() { return 0; }
