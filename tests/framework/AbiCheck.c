/* The record layout checks of kestor.h, compiled as C as well. */
#include <kestor.h>

int kestor_abi_checked_in_c(void) { return (int)sizeof(kestor_client); }
