#include "app/VeilcutApp.h"

int main(int argc, char** argv)
{
    return AfxWinMain(VeilcutApp(), argc, argv);
}
