// The models and versions the installer may choose: exactly the model files in the models
// folder, named "<model>-<version>.xml".
#pragma once

#include <string>
#include <vector>

class CModelList {
public:
    // Lists the regular files of the folder whose names match "*-*.xml" (".xml" in lower case,
    // as the model loader opens it; names cp1252 cannot hold are left out, since the loader could
    // not open them), sorted by name so the choice is stable. When at least one
    // matches, the file list is replaced; when none does it is left as it was.
    void Scan(const std::string& folder);
    // Refills the model list from the file list: each model name once, in file order.
    void BuildModels();

    int GetModelCount() const { return static_cast<int>(models_.size()); }
    // The model name, or the empty text for an index outside the list.
    std::string GetModel(int index) const;
    // How many files the model has.
    int GetVersionCount(const std::string& model) const;
    // The version of the model's n-th file (from 0, in file order); empty when n is out of range.
    std::string GetVersion(const std::string& model, int n) const;

    // The model name of a file name: the text before the first hyphen.
    static std::string ModelOf(const std::string& fileName);
    // The version of a file name: the text between the first hyphen and the final ".xml", so the
    // version offered is the one whose file the loader opens ("A-1.0.xml" is version "1.0").
    static std::string VersionOf(const std::string& fileName);

private:
    std::vector<std::string> files_;
    std::vector<std::string> models_;
};
