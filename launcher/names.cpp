#include "launcher/launcher.h"

const char szCompanyName[] = "Halvaro";
const char szProductName[] = "Vexmoor";
const char szVersionName[] = "Version 1.0";
