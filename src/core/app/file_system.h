#pragma once
// What the interface may ask of the file system and of the volumes. The interface
// never calls the operating system itself: it uses these platform helpers, reached
// through core so that includes only run ui -> core -> platform.

#include "platform/mount_watch.h"
#include "platform/paths.h"
#include "platform/volumes.h"
