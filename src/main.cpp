// Entry point of the Tavrin client.
#include "shell/tavrinapp.h"

int main(int argc, char **argv)
{
    tavrin::CTavrinApp app(argc, argv);
    return app.run();
}
