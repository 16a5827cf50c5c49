#include "figure/data_rules.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "figure/anim_file.h"
#include "figure/data_file_names.h"
#include "figure/data_reader.h"
#include "figure/figure_file.h"
#include "figure/parts_file.h"
#include "figure/records.h"
#include "figure/roles.h"
#include "base/log.h"

namespace {

// Every number the game gives a role must exist in the data.
const std::string SLOT_RANGE = std::to_string(MIN_FIGURE_SLOTS) + " to " + std::to_string(MAX_FRAME_KEYS);

typedef std::tuple<int, int, int> KeyId;  // frame, list, key

int LineOr(const std::map<int, int>& lines, int index, int fallback)
{
    auto it = lines.find(index);
    return it != lines.end() ? it->second : fallback;
}

int ListLength(const char* value)
{
    long items[MAX_DATA_LINE];
    return ParseList(value, items, MAX_DATA_LINE);
}

// A file's rules, riding its reading: told every line once the reading is done with it.
class Rules : public DataFileReading {
public:
    Rules(DataFileReading& reading, const char* fileName) : reading_(reading), fileName_(fileName) {}

    bool Key(int line, const char* key, const char* value) override { return reading_.Key(line, key, value); }
    void Read(int line, const char* key, const char* value, bool understood) override
    {
        reading_.Read(line, key, value, understood);
        if (!understood) Breach(line, std::string("unknown key \"") + key + "\"");
        else if (!value) Breach(line, std::string(key) + " has no value");
        else Line(line, key, value);
    }
    // Hands on the breaches found, in line order.
    void MoveBreachesTo(std::vector<DataProblem>& breaches)
    {
        std::stable_sort(found_.begin(), found_.end(),
                         [](const DataProblem& a, const DataProblem& b) { return a.line < b.line; });
        breaches.insert(breaches.end(), found_.begin(), found_.end());
        found_.clear();
    }

protected:
    virtual void Line(int line, const std::string& key, const char* value) = 0;
    void Breach(int line, const std::string& message)
    {
        const std::string file = fileName_;
        found_.push_back({file, line, file + ":" + std::to_string(line) + ": " + message, false});
    }
    void CheckCount(int line, const char* key, long value, long low, long high, const std::string& what)
    {
        if (value < low || value > high) Breach(line, std::string(key) + "=" + std::to_string(value) + ": " + what);
    }
    int countLine_ = 0;  // the numparts / numframes line

private:
    DataFileReading& reading_;
    const char* fileName_;
    std::vector<DataProblem> found_;
};

class PartsRules : public Rules {
public:
    PartsRules(PartsReading& reading, const char* fileName) : Rules(reading, fileName), reading_(reading) {}

    void CheckDocument(const PartsDocument& parts)
    {
        if (!parts.parts) Breach(0, "no numparts line: no parts are loaded");
        for (int i = 0; i < parts.numParts; ++i) {
            if (!parts.parts[i].textureFile) Breach(countLine_, "part " + std::to_string(i) + " has no texture");
        }
    }

private:
    void Line(int line, const std::string& key, const char* value) override
    {
        if (key == "numparts") {
            countLine_ = line;
            CheckCount(line, "numparts", ParseInteger(value), MIN_IMAGES, MAX_DATA_COUNT,
                       "the game needs at least " + std::to_string(MIN_IMAGES) + " parts");
            return;
        }
        if (key == "part") return;
        const VectorPart* part = reading_.Part(reading_.CurrentPart());
        if (!part) {
            Breach(line, key + " for part " + std::to_string(reading_.CurrentPart()) + ", which does not exist");
            return;
        }
        if (key == "texture") {
            if (!part->primaryVertexBuffer) Breach(line, std::string("image \"") + value + "\" does not load");
        } else if (key == "numpoints") {
            CheckCount(line, "numpoints", ParseInteger(value), 0, MAX_DATA_COUNT, "count out of range");
        } else if (key == "points") {
            int items = ListLength(value);
            if (items % 2 != 0) Breach(line, "points has an odd number of items");
            if (items / 2 > part->numpoints)
                Breach(line, "points gives " + std::to_string(items / 2) + " points, numpoints is " +
                                 std::to_string(part->numpoints));
        }
    }
    const PartsReading& reading_;
};

class FigureRules : public Rules {
public:
    FigureRules(FigureReading& reading, const char* fileName) : Rules(reading, fileName), reading_(reading) {}

    void CheckDocument(const FigureSetup& figure, const PartsDocument& parts)
    {
        if (figure.slots.empty()) Breach(0, "no slots: the figure needs " + SLOT_RANGE);
        for (size_t i = 0; i < figure.slots.size(); ++i) {
            const SlotSetup& slot = figure.slots[i];
            const int index = static_cast<int>(i);
            auto& lines = slotLines_[index];
            int slotLine = LineOr(partLines_, index, countLine_);
            auto lineOf = [&](const char* key) { return lines.count(key) ? lines[key] : slotLine; };
            std::string name = "slot " + std::to_string(i);
            if (!PartOf(parts, slot.vecpartnum))
                Breach(lineOf("vecpartnum"),
                       name + " shows image " + std::to_string(slot.vecpartnum) + ", which does not exist");
            if (slot.rootpart < -1 || slot.rootpart >= index) {
                Breach(lineOf("rootpart"), name + " hangs from slot " + std::to_string(slot.rootpart) +
                                               "; a parent must come before its children");
            } else if (slot.rootpart >= 0) {
                const VectorPart* parent = PartOf(parts, slot.rootpart);
                int points = parent ? parent->numpoints : 0;
                // -1 hangs the slot at its parent's pivot, where an image has no joint for it.
                if (slot.rootpoint < -1 || slot.rootpoint >= points)
                    Breach(lineOf("rootpoint"), name + " hangs at point " + std::to_string(slot.rootpoint) +
                                                    ", but image " + std::to_string(slot.rootpart) + " has " +
                                                    std::to_string(points) + " points");
            }
        }
    }
    static const VectorPart* PartOf(const PartsDocument& parts, int index)
    {
        return parts.parts && index >= 0 && index < parts.numParts ? &parts.parts[index] : nullptr;
    }

private:
    void Line(int line, const std::string& key, const char* value) override
    {
        if (key == "numparts") {
            countLine_ = line;
            CheckCount(line, "numparts", ParseInteger(value), MIN_FIGURE_SLOTS, MAX_FRAME_KEYS,
                       "the figure needs " + SLOT_RANGE + " slots");
        } else if (key == "part") {
            partLines_[reading_.CurrentSlot()] = line;
        } else if (key == "hitbox") {
            return;
        } else if (reading_.CurrentSlot() < 0 ||
                   reading_.CurrentSlot() >= static_cast<int>(reading_.setup.slots.size())) {
            Breach(line, key + " for slot " + std::to_string(reading_.CurrentSlot()) + ", which does not exist");
        } else {
            slotLines_[reading_.CurrentSlot()][key] = line;
        }
    }
    const FigureReading& reading_;
    std::map<int, std::map<std::string, int>> slotLines_;  // slot -> key -> line
    std::map<int, int> partLines_;                         // slot -> the part line naming it
};

class AnimRules : public Rules {
public:
    AnimRules(AnimReading& reading, const char* fileName) : Rules(reading, fileName), reading_(reading) {}

    void CheckDocument(const AnimDocument& anim, const FigureSetup& figure, const PartsDocument& parts)
    {
        if (!anim.frames) Breach(0, "no numframes line: no frames are loaded");
        const int slots = static_cast<int>(figure.slots.size());
        auto checkSlot = [&](int line, int slot, const std::string& what) {
            if (slot < 0 || slot >= slots)
                Breach(line, what + " names slot " + std::to_string(slot) + ", which does not exist");
        };
        for (int f = 0; f < anim.numFrames; ++f) {
            const AnimFrame& frame = anim.frames[f];
            if (frame.numparts != MAXKEYS)
                Breach(LineOr(frameLines_, f, countLine_), "frame " + std::to_string(f) + " is written for " +
                                                               std::to_string(frame.numparts) +
                                                               " slots; the figure animates " + std::to_string(MAXKEYS));
            for (int k = 0; k < MAX_FRAME_KEYS; ++k) {
                int j = 0;
                for (const AnimKey* key = frame.keys[k]; key; key = key->next, ++j) {
                    KeyId id(f, k, j);
                    if (key->useChangePart) {
                        int line = changeLines_.count(id) ? changeLines_[id] : countLine_;
                        checkSlot(line, key->changePartSlot, "changepart");
                        if (!FigureRules::PartOf(parts, key->changePartVecPart))
                            Breach(line, "changepart names image " + std::to_string(key->changePartVecPart) +
                                             ", which does not exist");
                    }
                    for (int i = 0; key->hasVisibleList && i < MAX_PART_LIST; ++i) {
                        if (key->visibleParts[i] != -1) checkSlot(visibleLines_[id], key->visibleParts[i], "part_visible");
                    }
                    for (int i = 0; key->hasInvisibleList && i < MAX_PART_LIST; ++i) {
                        if (key->invisibleParts[i] != -1)
                            checkSlot(invisibleLines_[id], key->invisibleParts[i], "part_invisible");
                    }
                }
            }
        }
    }

private:
    void Line(int line, const std::string& key, const char* value) override
    {
        if (key == "numframes") {
            countLine_ = line;
            CheckCount(line, "numframes", ParseInteger(value), MIN_FRAMES, MAX_DATA_COUNT,
                       "the game needs at least " + std::to_string(MIN_FRAMES) + " frames");
        } else if (key == "frame") {
            frame_ = static_cast<int>(ParseInteger(value));
        } else if (key == "key_part") {
            list_ = static_cast<int>(ParseInteger(value));
        } else if (key == "key") {
            key_ = static_cast<int>(ParseInteger(value));
        } else if (key == "frame_numparts") {
            if (!reading_.Frame(frame_))
                Breach(line, "frame_numparts for frame " + std::to_string(frame_) + ", which does not exist");
            else frameLines_[frame_] = line;
        } else if (key == "numkeys") {
            if (!reading_.Frame(frame_) || list_ < 0 || list_ >= MAX_FRAME_KEYS)
                Breach(line, "numkeys for list " + std::to_string(list_) + " of frame " + std::to_string(frame_) +
                                 ", which cannot exist");
            else CheckCount(line, "numkeys", ParseInteger(value), 1, MAX_DATA_COUNT, "a list needs 1 to 4096 keys");
        } else if (!reading_.CurrentKey()) {
            Breach(line, key + " for key " + std::to_string(key_) + " of list " + std::to_string(list_) +
                             " of frame " + std::to_string(frame_) + ", which does not exist");
        } else {
            KeyId id(frame_, list_, key_);
            if (key == "changepart") {
                changeLines_[id] = line;
                if (ListLength(value) != 2) Breach(line, "changepart takes exactly 2 items: slot, image");
            } else if (key == "part_visible" || key == "part_invisible") {
                (key == "part_visible" ? visibleLines_ : invisibleLines_)[id] = line;
                if (ListLength(value) > MAX_PART_LIST) Breach(line, key + " names more than 5 slots");
            } else if (key == "use_changepart") {
                changeLines_.emplace(id, line);
            } else if (key == "key_ease" && KeyEaseNamed(value) == EASE_COUNT) {
                Breach(line, "key_ease " + std::string(value) + " is none of linear, in, out, inout, step");
            }
        }
    }
    const AnimReading& reading_;
    int frame_ = 0, list_ = 0, key_ = 0;  // as the file names them, to say where a breach is
    std::map<int, int> frameLines_;       // frame -> its frame_numparts line
    std::map<KeyId, int> changeLines_, visibleLines_, invisibleLines_;
};

}  // namespace

std::vector<DataProblem> ReadCheckedFigureData(FigureDocuments& documents)
{
    std::vector<DataProblem> breaches;
    {
        PartsReading reading;
        PartsRules rules(reading, PARTS_DATA_FILE);
        ReadDataFile(PARTS_DATA_FILE, rules, PARTS_DONE_LINE);
        documents.parts = reading.Finish(PARTS_DATA_FILE);
        rules.CheckDocument(documents.parts);
        rules.MoveBreachesTo(breaches);
    }
    {
        FigureReading reading;
        FigureRules rules(reading, FIGURE_DATA_FILE);
        ReadDataFile(FIGURE_DATA_FILE, rules, FIGURE_DONE_LINE);
        documents.figure = reading.Finish(FIGURE_DATA_FILE);
        WriteLog(FIGURE_BUILT_LINE);
        rules.CheckDocument(documents.figure.setup, documents.parts);
        rules.MoveBreachesTo(breaches);
    }
    {
        AnimReading reading;
        AnimRules rules(reading, ANIM_DATA_FILE);
        ReadDataFile(ANIM_DATA_FILE, rules, ANIM_DONE_LINE);
        documents.anim = reading.Finish(ANIM_DATA_FILE);
        rules.CheckDocument(documents.anim, documents.figure.setup, documents.parts);
        rules.MoveBreachesTo(breaches);
    }
    return breaches;
}
