// Read exchanges through the real serial port against the simulated board on a pseudo-terminal.
int main() { return 0; }
