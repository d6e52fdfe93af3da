#include "catalogue.h"

Catalogue g_Catalogue;
