// The services table of the program: the file "services" in the executable's folder.
#include "capture/names/services_parser.h"

#include "capture/settings/module_file.h"
#include "capture/settings/module_paths.h"
#include "platform/module_path.h"

CServicesParser::CServicesParser() {
    const std::string executable = capture::ExecutablePath(sizeof m_fileName);
    capture::CopyBounded(m_fileName, sizeof m_fileName,
                         capture::ServicesPathFor(executable, platform::IsCodePageLeadByte).c_str());
    (void)Load();
}
