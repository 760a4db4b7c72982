#include "app/application.h"

int main(int argc, char** argv) {
    return hb::runApplication(argc, argv);
}
