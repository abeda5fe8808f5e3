// tessaly-setup: the self-contained installer of Tessaly v1.1.
#include "setup/Unit1.h"

int main() { return RunInstaller(); }
