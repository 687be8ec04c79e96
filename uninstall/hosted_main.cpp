// The hosted program's entry, as the C runtime's start-up would call WinMain.
#include "hosted_shell.h"

int main(int argc, char** argv) { return uninstall::RunHostedShell(argc, argv, WinMain); }
