// A DLL with nothing in it, to be loaded from awkward places.
int emptyModuleMarker = 1;
