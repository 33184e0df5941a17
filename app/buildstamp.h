#pragma once

namespace tabel {

// When the program was built: date as yyyymmdd, time of day in seconds.
struct BuildStamp
{
    int date = 0;
    int time = 0;
};

// Defined in a file the build generates at every build.
BuildStamp currentBuildStamp();

} // namespace tabel
