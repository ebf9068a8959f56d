// The file list's entries: the notices a view relies on, and a run's thread reading them while the
// window edits them.
#include "filelist/file_list_model.h"

#include <QPersistentModelIndex>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(FileListModel, EditsTellViewsWhatChangedAndKeepTheirPlaces)
{
    FileListModel model;
    std::vector<std::pair<int, int>> inserted;
    std::vector<int> changed;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
        inserted.emplace_back(first, last);
    });
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
            changed.push_back(row);
    });

    model.Append({"a", "b"});
    model.Append({});
    model.Append({"c", "d"});
    EXPECT_EQ(inserted, (std::vector<std::pair<int, int>>{{0, 1}, {2, 3}}));
    EXPECT_EQ(model.Texts(), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(model.Text(1), "a");
    EXPECT_EQ(model.Text(4), "d");
    EXPECT_EQ(model.Text(0), std::nullopt);
    EXPECT_EQ(model.Text(5), std::nullopt);

    // A removed entry's place goes with it; the places after it move up.
    const QPersistentModelIndex removed(model.index(1));
    const QPersistentModelIndex after(model.index(2));
    model.Remove(1);
    EXPECT_FALSE(removed.isValid());
    EXPECT_EQ(after.row(), 1);
    EXPECT_EQ(after.data().toString(), "c");

    // A swap changes two texts and no place.
    model.Swap(0, 2);
    EXPECT_EQ(model.Texts(), QStringList({"d", "c", "a"}));
    EXPECT_EQ(after.row(), 1);
    std::sort(changed.begin(), changed.end());
    EXPECT_EQ(changed, (std::vector<int>{0, 2}));

    model.Clear();
    EXPECT_EQ(model.Count(), 0);
    EXPECT_FALSE(after.isValid());
}

TEST(FileListModel, ARunReadsWholeEntriesWhileTheListIsEdited)
{
    FileListModel model;
    const QStringList paths{"/v/one.avi", "/v/two.avi", "/v/three.avi", "/v/four.avi"};
    std::atomic<bool> editing{true};
    std::atomic<int> unknown{0};
    std::atomic<long> reads{0};
    std::thread run([&] {
        while (editing) {
            const int count = model.Count();
            for (int index = 1; index <= count + 1; ++index) {
                // The list can shrink between two reads; an entry that is there is whole.
                if (const std::optional<QString> text = model.Text(index); text && !paths.contains(*text))
                    ++unknown;
                ++reads;
            }
            for (const QString& text : model.Texts())
                unknown += paths.contains(text) ? 0 : 1;
        }
    });
    // Edits go on until the run's thread has read a good many times in between.
    for (int round = 0; round < 20000 || reads < 500000; ++round) {
        model.Append(paths);
        model.Swap(0, model.Count() - 1);
        model.Remove(round % model.Count());
        if (model.Count() > 64)
            model.Clear();
    }
    editing = false;
    run.join();
    EXPECT_EQ(unknown, 0);
}

}  // namespace
