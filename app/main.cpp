#include "app/VantoroApplication.h"

int main(int argc, char** argv)
{
    return vantoro::runVantoro(argc, argv);
}
