// A shared library that is not a component library: it exports no class-object
// entry point. The host tests put it where the calendar library belongs.
extern "C" int notAComponent()
{
    return 42;
}
