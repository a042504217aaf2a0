// The demo application's version, shared by its code and its version resource.
#define KORVALIX_NAME "Korvalix32"
#define KORVALIX_VERSION 2, 1, 1, 0
#define KORVALIX_VERSION_TEXT "2.1.1"
