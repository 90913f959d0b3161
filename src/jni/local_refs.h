// The owner of JNI local references: a function that makes several deletes them all when it returns,
// on every path. A native method's references die with its frame, but the launcher's threads stay in
// native code for the whole run, and what they leave behind stays alive until they detach.
//
//   LocalRefs refs(env);
//   jclass system = refs.keep(env->FindClass("java/lang/System"));
#pragma once

#include <jni.h>

#include <algorithm>
#include <vector>

class LocalRefs {
public:
    explicit LocalRefs(JNIEnv* env) : env_(env) {}
    ~LocalRefs() {
        for (jobject ref : refs_) env_->DeleteLocalRef(ref);
    }
    LocalRefs(const LocalRefs&) = delete;
    LocalRefs& operator=(const LocalRefs&) = delete;

    // `ref` (null is ignored), deleted with the owner.
    template <typename T>
    T keep(T ref) {
        if (ref) refs_.push_back(ref);
        return ref;
    }

    // `ref`, no longer deleted here: the caller's result.
    template <typename T>
    T release(T ref) {
        refs_.erase(std::remove(refs_.begin(), refs_.end(), static_cast<jobject>(ref)), refs_.end());
        return ref;
    }

private:
    JNIEnv* env_;
    std::vector<jobject> refs_;
};
