// The header-field rules written out step by step, as plainly as possible and
// without regard to speed. Tests and the fuzzer compare CMessageText with it.
#pragma once

#include <string>

inline std::string ReferenceUpper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return s;
}

inline std::string ReferenceHeaderBlock(const char* text) {
    if (text == nullptr) {
        return "";
    }
    const std::string t = text;
    const size_t k = t.find("\r\n\r\n");
    return k == std::string::npos ? t : t.substr(0, k);
}

inline std::string ReferenceField(const char* text, const std::string& name, int occurrence) {
    const std::string search = "\r\n" + ReferenceHeaderBlock(text);
    std::string copy = ReferenceUpper(search);
    const std::string key = "\r\n" + ReferenceUpper(name) + ":";
    size_t p = copy.find(key);
    for (int i = 0; i < occurrence; ++i) {
        if (p == std::string::npos) {
            return "";
        }
        copy = copy.substr(copy.find(key) + key.size());
        const size_t next = copy.find(key);
        if (next == std::string::npos) {
            return "";
        }
        p += next + key.size();
    }
    if (p == std::string::npos) {
        return "";
    }
    const size_t s = p + name.size() + 3;
    size_t e = s;
    for (;; ++e) {
        if (e >= search.size()) {
            break;
        }
        if (search[e] == '\r' && e + 1 < search.size() && search[e + 1] == '\n' &&
            (e + 2 >= search.size() || (search[e + 2] != ' ' && search[e + 2] != '\t'))) {
            break;
        }
    }
    std::string value = search.substr(s, e - s);
    for (size_t k; (k = value.find("\r\n")) != std::string::npos;) {
        value.erase(k, 2);
    }
    for (size_t k; (k = value.find('\t')) != std::string::npos;) {
        value[k] = ' ';
    }
    const char* white = " \t\n\v\f\r";
    value.erase(0, value.find_first_not_of(white) == std::string::npos
                       ? value.size()
                       : value.find_first_not_of(white));
    const size_t last = value.find_last_not_of(white);
    value.erase(last == std::string::npos ? 0 : last + 1);
    return value;
}
