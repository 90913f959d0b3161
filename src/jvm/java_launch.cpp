#include "jvm/java_launch.h"

#include "app/launcher_app.h"

