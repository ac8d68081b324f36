#include "core/lists/change_log_list.h"

#include "core/lists/change_log_columns.h"

namespace tavrek::lists {

ListColumns DefaultChangeLogColumns() {
  ListColumns layout;
  for (const ColumnDefault& column : kChangeLogColumns) {
    layout.columns.push_back({std::string(column.title), column.width});
  }
  return layout;
}

FlatListSource ChangeLogList(const engine::ChangeLog& log, ListColumns layout) {
  FlatListSource list;
  list.layout = std::move(layout);
  list.rowCount = log.size();
  // Rows added while the export runs do not shift the ones it reads.
  const size_t count = log.size();
  list.cell = [&log, count](size_t row, int column, std::string& text) {
    text = log.CellText(count - 1 - row, column);
  };
  return list;
}

}  // namespace tavrek::lists
