// Narrow text in the process's ANSI code page, as every value of the dialog is held.
#pragma once

#include <string>

class CString {
  public:
    CString() = default;
    CString(const char* text) : text_(text ? text : "") {}
    CString(std::string text) : text_(std::move(text)) {}

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    const char* GetString() const { return text_.c_str(); }
    operator const char*() const { return text_.c_str(); }
    const std::string& str() const { return text_; }

    // printf-style formatting; the result may be of any length.
    void Format(const char* format, ...);
    // The text after the last backslash: the whole text when there is none.
    CString AfterLastBackslash() const;

    friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
    friend bool operator!=(const CString& a, const CString& b) { return a.text_ != b.text_; }

  private:
    std::string text_;
};
