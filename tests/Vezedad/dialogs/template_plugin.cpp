// Holds nothing: the dialogs use no templates, but a caller may still load
// and free a library for them.
extern "C" int zidivoTemplatePlugin() { return 1; }
