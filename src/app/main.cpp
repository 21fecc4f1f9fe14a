#include "app/shell/startup.h"

int main(int argc, char** argv) {
    busmason::app::GuardedApplication application(argc, argv);
    return busmason::app::runProgram(application);
}
