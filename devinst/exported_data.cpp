#include "InfInstall.h"

char g_szError[kTextCapacity] = {};
char g_szModemDesc[kTextCapacity] = {};
