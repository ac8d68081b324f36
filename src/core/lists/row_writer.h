#pragma once
// Turns rows of field texts into the bytes of one file type. The flat-list
// and the tree-list exports share the writers; they differ in the HTML page
// (head, header row, blanks) and in whether CSV fields are always quoted.
#include <memory>
#include <span>
#include <string_view>

#include "core/lists/export_types.h"
#include "core/lists/sink.h"

namespace tavrek::lists {

enum class ListKind { Flat, Tree };

class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void Header(std::span<const std::string_view> fields) = 0;
  // False when the file type holds no further row; the row is not written.
  virtual bool Row(std::span<const std::string_view> fields) = 0;
  virtual void Finish() = 0;
};

std::unique_ptr<RowWriter> MakeRowWriter(ExportFormat format, ListKind kind, BufferedSink& out);

// The page around an HTML export, exactly as other tools that read these
// files expect it.
inline constexpr std::string_view kArialHead =
    "<html><head><style><!-- \r\nbody,td,a,p,.h{font-family:arial,sans-serif; font-size: 12px; "
    "}\r\n.h{font-size: 20px;}\r\n.q{color:#0000cc;}\r\n//-->\r\n</style></head>\r\n\r\n<body>"
    "\r\n\r\n\r\n";
inline constexpr std::string_view kCourierHead =
    "<html><head><style><!-- \r\nbody,td,a,p,.h{font-family:courier,arial,sans-serif; "
    "font-size: 11px; }\r\n.h{font-size: 20px;}\r\n.q{color:#0000cc;}\r\n//-->\r\n</style>"
    "</head>\r\n\r\n<body>\r\n\r\n\r\n";
inline constexpr std::string_view kHtmlFoot = "</body></html>\r\n";

}  // namespace tavrek::lists
