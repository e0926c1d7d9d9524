#include "app/Application.h"

int main(int argc, char* argv[])
{
    return orvandel::RunApplication(argc, argv);
}
