#include "platform/identity.h"

#include "platform/replace.h"

namespace {

// What a path is, and the real folders it lies in, innermost first.
struct Place {
    Found self;
    std::vector<Found> folders;
};

Place PlaceOf(const Folder& folder, const std::string& name) {
    Place place{Look(folder, name, true), {LookAtFolder(folder)}};
    Folder at = folder, above;
    bool owned = false;
    while (ParentOf(at, above)) {
        place.folders.push_back(LookAtFolder(above));
        if (owned) CloseFolder(at);
        at = above;
        owned = true;
    }
    if (owned) CloseFolder(at);
    return place;
}

bool Contains(const std::vector<Found>& chain, const Found& found) {
    for (const Found& link : chain)
        if (link.SameAs(found)) return true;
    return false;
}

struct Input {
    const InputPath* given;
    Place place;
};

bool OneOutputSparesInputs(const Place& out, const std::string& shown,
                           const std::vector<Input>& inputs, const char* command,
                           std::string& why) {
    const std::string reader = std::string(", which ") + command + " reads";
    for (const Input& input : inputs) {
        const Found& in = input.place.self;
        if (out.self.SameAs(in)) {
            why = shown + ": is " + input.given->path + reader;
            return false;
        }
        if (out.self.folder && Contains(input.place.folders, out.self)) {
            why = shown + ": holds " + input.given->path + reader;
            return false;
        }
    }
    for (const Input& input : inputs) {
        const Found& in = input.place.self;
        if (input.given->readWhole && (Contains(out.folders, in))) {
            why = shown + ": lies inside " + input.given->path + reader;
            return false;
        }
    }
    return true;
}

} // namespace

bool OutputSparesInputs(const OutPath& out, const std::vector<InputPath>& inputs,
                        const char* command, std::string& why) {
    std::vector<Input> places;
    for (const InputPath& input : inputs) {
        OutPath resolved;
        std::string ignored;
        if (input.path.empty() || !ResolvePath(input.path, resolved, ignored)) continue;
        places.push_back({&input, PlaceOf(resolved.at, resolved.name)});
        CloseFolder(resolved.at);
        if (!places.back().place.self.exists) places.pop_back();
    }
    if (!OneOutputSparesInputs(PlaceOf(out.at, out.name), out.shown, places, command, why))
        return false;
    // What a stopped run left beside out is repaired or removed before out is written, so each
    // such name is an output as well; a symlink of such a name is left alone.
    for (const std::string& name : OwnNamesBeside(out.name)) {
        const Found found = Look(out.at, name, false);
        if (!found.exists || found.link) continue;
        const std::string shown = ShownIn(out.at, name);
        if (!OneOutputSparesInputs(PlaceOf(out.at, name), shown, places, command, why)) {
            why +=
                " (named as what a stopped run leaves beside " + out.shown + ", which is removed)";
            return false;
        }
    }
    return true;
}
