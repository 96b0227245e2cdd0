#pragma once
// The lines of the log view as a list model: the text is read from the
// Logger's view on demand, colour and bold come from the colour rule of the
// line's first characters, so a view of 100,000 lines costs no more than the
// rows in sight. Appends are counted as they come and taken in by catchUp(),
// which the log window calls in batches.

#include <QAbstractListModel>
#include <QFont>
#include <utility>

namespace zh {

class Logger;

class LogViewModel final : public QAbstractListModel {
  public:
    explicit LogViewModel(const Logger& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // A line was appended to the log's view.
    void noteAppended() { ++pending_; }
    // Brings the rows in step with the log's view (lines appended, the
    // oldest dropped, or the view cleared); true when rows changed.
    bool catchUp();

    // Every row is as high as a line of `font` and as wide as the longest
    // line so far, so that the view lays out its rows without asking each.
    void setFont(const QFont& font);
    // True once when the longest line grew since the last call.
    bool takeWidened() { return std::exchange(widened_, false); }

  private:
    void measure(std::size_t from);

    const Logger& log_;
    int rows_ = 0;
    int pending_ = 0;
    QFont bold_;
    int charWidth_ = 8;
    int lineHeight_ = 16;
    int longest_ = 0;  // characters
    bool widened_ = false;
};

}  // namespace zh
