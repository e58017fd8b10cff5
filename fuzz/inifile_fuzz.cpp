// App.ini and PrintConfig.ini as any bytes a kiosk PC may hold (cut off, binary, another
// encoding): the INI reader reads every section and key without failing, what it writes back
// reads the same again, and the start-up's look over the file gives well-formed lines.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/configreport.h"
#include "platform/inifile.h"
#include "platform/textutil.h"

namespace {

// The reader takes a file name; memory-backed /dev/shm keeps the fuzzer fast where it exists.
std::string ScratchFile()
{
    std::error_code ec;
    const std::string folder = std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : "/tmp";
    return folder + "/kiosk-fuzz-inifile-" + std::to_string(getpid()) + ".ini";
}

void WriteFile(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Every key of every section, read as text, integer and flag.
std::string Contents(const kiosk::TIniFile& ini)
{
    std::string all;
    for (const std::string& section : ini.ReadSections()) {
        all += "[" + section + "]\n";
        for (const std::string& key : ini.ReadSection(section)) {
            all += key + "=" + ini.ReadString(section, key) + "\n";
            (void)ini.ReadInteger(section, key, 0);
            (void)ini.ReadBool(section, key, false);
        }
    }
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string file = ScratchFile();
    WriteFile(file, data, size);
    const kiosk::TIniFile ini(file);
    const std::string contents = Contents(ini);

    // What the reader writes back is read back to the same sections, keys and values.
    const std::string text = ini.ToText();
    WriteFile(file, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (Contents(kiosk::TIniFile(file)) != contents) std::abort();

    WriteFile(file, data, size);
    for (const std::string& line : kiosk::IniFileProblems(file, "App.ini", {"server", "userinfo"}, "按缺省设置运行"))
        if (line.empty() || !kiosk::IsValidUtf8(line) || line.find('\n') != std::string::npos) std::abort();
    return 0;
}
