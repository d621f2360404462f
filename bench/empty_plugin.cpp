// A plug-in that does nothing: the baseline for the host's memory.
extern "C" {
__attribute__((visibility("default"))) int KpxRegister(const char *, void *)
{
    return 0;
}
__attribute__((visibility("default"))) int KpxUnRegister(const char *, void *)
{
    return 0;
}
}
