#include "jvm/java_launch.h"
