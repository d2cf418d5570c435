#include "app/gui/Startup.h"

int main(int argc, char* argv[]) { return aqv::RunApplication(argc, argv); }
