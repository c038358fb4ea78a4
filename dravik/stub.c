int GetDravikDllVerStub(void) { return 0; }
