#include "app_state.h"

unsigned char KeyBuffer[KEY_BUFFER_SIZE];
unsigned char InputBuffer[INPUT_BUFFER_SIZE];
unsigned char OutputBuffer[OUTPUT_BUFFER_SIZE];
HINSTANCE AppInstance;
