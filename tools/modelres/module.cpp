// A model resource module carries resources only; this is its one source file.
extern "C" int zel_model_module_placeholder() { return 0; }
