// The player's entry point; the run modes live beside it in app/.
int main() { return 0; }
