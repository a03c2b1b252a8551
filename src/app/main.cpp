#include "app/Application.h"

int main(int argc, char** argv) {
    return quaro::RunApplication(argc, argv);
}
