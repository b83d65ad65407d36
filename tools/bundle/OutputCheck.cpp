#include "OutputCheck.h"

#include "BundleBuilder.h"
#include "shared/FileIdentity.h"

#include <optional>

namespace quentry::bundle {

bool OutputIsNoInput(const BundleOptions& options, std::wstring& error) {
    const std::wstring output = FullPath(options.output);
    const std::optional<tools::FileIdentity> outputIdentity = tools::IdentityOf(output);
    if (!outputIdentity) {
        return true; // a new file is none of the inputs
    }
    auto differs = [&](const std::wstring& input, const std::wstring& what) {
        if (tools::IdentityOf(FullPath(input)) == outputIdentity) {
            error = L"the output " + options.output + L" is the " + what + L" " + input +
                    L"; writing it would destroy that input";
            return false;
        }
        return true;
    };
    for (const PackageInput& package : options.packages) {
        if (!differs(package.path, L"package")) {
            return false;
        }
        for (const auto& [language, transform] : package.transforms) {
            if (!differs(transform, L"transform")) {
                return false;
            }
        }
    }
    if (!differs(options.launcher.empty() ? DefaultLauncherPath() : options.launcher, L"launcher")) {
        return false;
    }
    return options.bitmap.empty() || differs(options.bitmap, L"bitmap");
}

} // namespace quentry::bundle
