#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace narv {

// The project and file names a project is loaded with; an empty file name means none.
struct ProjectSelection {
    std::string projectName;
    std::string modelFileName; // without directory and extension
    std::string plantFileName;
    std::string variationFileName;
};

// The rules of the "Choose Project" dialog: its project list and the three file lists of the
// selected project, which the window shows and the user selects in.
class ProjectChooser {
public:
    // One file list: entry 0 is the empty entry ("none"); the others are the file names in
    // lower case. The stems are the names as they are on disk, so a case-sensitive file
    // system still finds the file.
    struct FileList {
        std::vector<std::string> entries;
        std::vector<std::string> stems;
        int selected = 0;
        bool enabled = false;
    };

    explicit ProjectChooser(std::filesystem::path userDir);

    const std::vector<std::string>& projects() const { return m_projects; }
    // -1 while there is no project.
    int selectedProject() const { return m_selectedProject; }
    const FileList& models() const { return m_models; }
    const FileList& plants() const { return m_plants; }
    const FileList& variations() const { return m_variations; }

    // Refills the three file lists; an index outside the list is ignored.
    void selectProject(int index);
    // The empty model entry disables the plant and variation lists and selects their empty
    // entries; a model file enables those that have files.
    void selectModel(int index);
    void selectPlant(int index);
    void selectVariation(int index);

    // What "OK" loads; an empty project name without projects.
    ProjectSelection selection() const;

private:
    FileList fill(const std::string& extension) const;
    void applyModelRule();

    std::filesystem::path m_userDir;
    std::vector<std::string> m_projects;
    int m_selectedProject = -1;
    FileList m_models;
    FileList m_plants;
    FileList m_variations;
};

} // namespace narv
