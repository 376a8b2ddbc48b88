#include "tests/soak/ResourceSampler.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

long StatusField(const std::string& field)
{
    std::ifstream in("/proc/self/status");
    const std::string key = field + ":";
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, key.size(), key) == 0)
            return std::strtol(line.c_str() + key.size(), nullptr, 10);
    return -1;
}

long OpenDescriptors(const std::string& logFolder, std::string& files, long& terminals)
{
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    const std::string log = logFolder + "/filelog.txt";
    const int own = dirfd(dir);
    long n = 0;
    terminals = 0;
    files.clear();
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) == own)
            continue;
        char target[512];
        const ssize_t length = readlinkat(own, entry->d_name, target, sizeof target - 1);
        const std::string file(target, length > 0 ? static_cast<size_t>(length) : 0);
        if (!logFolder.empty() && file.compare(0, log.size(), log) == 0)
            continue;
        files += std::string(entry->d_name) + ":" + file + " ";
        ++n;
        terminals += file.compare(0, 9, "/dev/pts/") == 0 || file.compare(0, 8, "/dev/tty") == 0;
    }
    closedir(dir);
    return n;
}

uint64_t FileBytes(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

} // namespace

ProcessSample SampleProcess(const std::string& logFolder)
{
    ProcessSample sample;
    sample.rssKiB = StatusField("VmRSS");
    sample.threads = StatusField("Threads");
    sample.descriptors = OpenDescriptors(logFolder, sample.descriptorFiles, sample.terminals);
    return sample;
}

ResourceSampler::ResourceSampler(std::string logFolder) : folder(std::move(logFolder)) {}

uint64_t ResourceSampler::logBytesNow() const
{
    if (folder.empty())
        return 0;
    return FileBytes(folder + "/filelog.txt") + FileBytes(folder + "/filelog.txt.1");
}

void ResourceSampler::sampleLog()
{
    if (folder.empty())
        return;
    largestLog = std::max(largestLog, logBytesNow());
    const uint64_t file = FileBytes(folder + "/filelog.txt");
    restarts += file < lastLogFile;
    lastLogFile = file;
}

void ResourceSampler::warmedUp()
{
    baseline = SampleProcess(folder);
    last = baseline;
    largestRss = baseline.rssKiB;
    warm = true;
    sampleLog();
}

void ResourceSampler::sample()
{
    sampleLog();
    if (!warm)
        return;
    last = SampleProcess(folder);
    largestRss = std::max(largestRss, last.rssKiB);
}

void ResourceSampler::finish()
{
    if (!warm)
        warmedUp();
    sample();
}
