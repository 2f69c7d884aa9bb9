#include "FuzzSupport.h"

#include "core/Error.h"
#include "plant/ModelSetup.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace narv::fuzz {

const std::vector<LoadedModel>& Models()
{
    static const std::vector<LoadedModel> models = [] {
        std::vector<LoadedModel> list;
        const std::filesystem::path root = NARV_SOURCE_DIR;
        for (const char* folder : {"examples", "data/models", "tests/data/models"}) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
                if (entry.path().extension() != ".mod")
                    continue;
                auto loaded = std::make_unique<LoadedModel>();
                ReadModelFile(entry.path(), loaded->model, loaded->plant, loaded->state);
                list.push_back(*loaded);
            }
        }
        if (list.empty())
            Fail("no model", root.string());
        return list;
    }();
    return models;
}

const LoadedModel& ModelFor(const std::string& bytes)
{
    const std::size_t first = bytes.find('\n');
    const std::size_t second =
        first == std::string::npos ? std::string::npos : bytes.find('\n', first + 1);
    const std::string line2 =
        first == std::string::npos
            ? std::string()
            : bytes.substr(first + 1,
                           second == std::string::npos ? std::string::npos : second - first - 1);
    for (const LoadedModel& loaded : Models())
        if (!loaded.model.ModelName.empty() &&
            line2.find(loaded.model.ModelName) != std::string::npos)
            return loaded;
    return Models().front();
}

void Fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "narv fuzz finding: %s: %s\n", what, detail.c_str());
    std::abort();
}

} // namespace narv::fuzz
