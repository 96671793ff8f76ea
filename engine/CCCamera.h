#pragma once

// The camera of a node: eye, centre and up vector. The editor only ever looks straight down the
// z axis, so the camera draws as a 2D translation by minus the eye's x and y.
class CCCamera {
public:
    CCCamera() { restore(); }
    static float getZEye();

    void restore();
    void setEyeX(float x, float y, float z);
    void setCenterX(float x, float y, float z);
    void setUpX(float x, float y, float z);
    void eyeX(float* x, float* y, float* z) const;
    void centerX(float* x, float* y, float* z) const;
    void upX(float* x, float* y, float* z) const;
    bool isDirty() const { return dirty_; }
    void setDirty(bool d) { dirty_ = d; }

private:
    float eyeX_, eyeY_, eyeZ_;
    float centerX_, centerY_, centerZ_;
    float upX_, upY_, upZ_;
    bool dirty_ = false;
};
