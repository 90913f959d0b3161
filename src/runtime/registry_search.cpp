#include "runtime/registry_search.h"

#include "app/launcher_app.h"

bool searchRegistry(LauncherApp&, RegistryView, Text& home) {
    // The registry is not searched yet.
    home.clear();
    return false;
}
