/* A module with the two registration entry points, for the registration tests. */
long DllRegisterServer(void) { return 0; }
long DllUnregisterServer(void) { return -2147467259L; }
