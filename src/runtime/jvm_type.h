// Which jvm.dll variants of a runtime count, and in which order ("JVM Type").
#pragma once

enum class JvmType { ClientFirst, ServerOnly, ServerFirst };
