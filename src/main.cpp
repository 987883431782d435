// Entry point of the Tavrin client.
#include "app/shell/tavrinapp.h"

int main(int argc, char **argv)
{
    tavrin::CTavrinApp app(argc, argv);
    return app.run();
}
