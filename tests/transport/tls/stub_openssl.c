/* A library that stands in for libcrypto.so.3 or libssl.so.3 but exports none
   of their functions. */
int vornel_stub_openssl_marker(void) { return 0; }
