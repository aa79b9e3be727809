#include "HelperPlatform.h"

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

int ShowOnConsole(const char*) { return 2; }

int CountNamedObjectDescriptors()
{
    DIR* descriptors = opendir("/proc/self/fd");
    if (!descriptors)
        return -1;
    int count = 0;
    while (const dirent* entry = readdir(descriptors)) {
        char target[PATH_MAX];
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
        if (length > 0 && std::strncmp(target, "/dev/shm/vexir.", 15) == 0)
            ++count;
    }
    closedir(descriptors);
    return count;
}
