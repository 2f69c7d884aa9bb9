#include "shell/ProjectChooser.h"

#include "shell/Directories.h"

namespace narv {

ProjectChooser::ProjectChooser(std::filesystem::path userDir)
    : m_userDir(std::move(userDir)), m_projects(ListProjects(m_userDir))
{
    for (FileList* list : {&m_models, &m_plants, &m_variations}) {
        list->entries.assign(1, std::string());
        list->stems.assign(1, std::string());
    }
    selectProject(0);
}

ProjectChooser::FileList ProjectChooser::fill(const std::string& extension) const
{
    FileList list;
    list.entries.emplace_back();
    list.stems.emplace_back();
    const std::string& project = m_projects[static_cast<std::size_t>(m_selectedProject)];
    const std::string preferred = ToLower(project + extension);
    for (const std::string& name : ListFilesWithExtension(m_userDir / project, extension)) {
        list.entries.push_back(ToLower(name));
        list.stems.push_back(std::filesystem::path(name).stem().string());
        if (list.entries.back() == preferred)
            list.selected = static_cast<int>(list.entries.size()) - 1;
    }
    list.enabled = list.entries.size() > 1;
    if (list.enabled && list.selected == 0)
        list.selected = 1;
    return list;
}

void ProjectChooser::selectProject(int index)
{
    if (index < 0 || index >= static_cast<int>(m_projects.size()))
        return;
    m_selectedProject = index;
    m_models = fill(".mod");
    m_plants = fill(".pln");
    m_variations = fill(".vrt");
    applyModelRule();
}

void ProjectChooser::applyModelRule()
{
    const bool modelChosen = m_models.selected > 0;
    for (FileList* list : {&m_plants, &m_variations}) {
        list->enabled = modelChosen && list->entries.size() > 1;
        if (!modelChosen)
            list->selected = 0;
    }
}

namespace {

void select(ProjectChooser::FileList& list, int index)
{
    if (list.enabled && index >= 0 && index < static_cast<int>(list.entries.size()))
        list.selected = index;
}

} // namespace

void ProjectChooser::selectModel(int index)
{
    select(m_models, index);
    applyModelRule();
}

void ProjectChooser::selectPlant(int index)
{
    select(m_plants, index);
}

void ProjectChooser::selectVariation(int index)
{
    select(m_variations, index);
}

ProjectSelection ProjectChooser::selection() const
{
    if (m_selectedProject < 0)
        return {};
    const auto stem = [](const FileList& list) {
        return list.stems[static_cast<std::size_t>(list.selected)];
    };
    return {m_projects[static_cast<std::size_t>(m_selectedProject)], stem(m_models), stem(m_plants),
            stem(m_variations)};
}

} // namespace narv
