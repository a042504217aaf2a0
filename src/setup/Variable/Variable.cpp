#include "Variable/Variable.h"

InstallerState Installer;
