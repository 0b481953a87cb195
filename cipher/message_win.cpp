#include "message.h"

#include <windows.h>

void ShowMessage(const char* text)
{
    MessageBoxA(NULL, text, NULL, MB_OK);
}
