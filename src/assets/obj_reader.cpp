#include "assets/obj_reader.h"

int loadObjModel(ObjModel**, const char*) { return 2; }
