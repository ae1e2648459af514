#pragma once
// What the forms of the configuration dialogs read from the texts of their boxes: a
// value, or the message that refuses the text and the box the cursor goes back to.
// The dialogs and the command line share these results, so that both accept and
// refuse the same texts with the same messages.

#include <optional>
#include <string>
#include <string_view>

namespace skylog {

// One box read: the value, or the message when the text is refused.
template <class T>
struct TFieldValue {
    std::optional<T> Value;
    std::string Message;

    static TFieldValue Accepted(T value) { return {std::move(value), {}}; }
    static TFieldValue Refused(std::string message) { return {std::nullopt, std::move(message)}; }
};

// A refused form: the message to show and the box to focus (Field is the form's enum).
template <class Field>
struct TFormRefusal {
    Field Box;
    std::string Message;
};

// Why a text cannot go into a list file as it was typed, or nothing: a control
// character (a line break would cut the file's line in two) or a character that the
// Windows-1252 files cannot hold (it would come back as "?"). where names the box, as
// in "dans la localité".
[[nodiscard]] std::optional<std::string> UnstorableTextMessage(std::string_view text,
                                                               std::string_view where);

}  // namespace skylog
