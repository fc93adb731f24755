// The demo program: takes no arguments and reads no settings.
#include "Tavix.h"

int main() { return RunTavix(); }
