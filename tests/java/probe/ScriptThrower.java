package probe;

// Lets an exception escape main whose message is written in Cyrillic, CJK and an emoji (a
// character outside the Basic Multilingual Plane, two UTF-16 units).
public class ScriptThrower {
    public static void main(String[] args) {
        throw new IllegalArgumentException("\u041f\u0440\u0438\u0432\u0435\u0442 \u6f22\u5b57 \ud83d\ude00");
    }
}
