package probe;

// Lets an exception with a cause escape main.
public class Thrower {
    public static void main(String[] args) throws Exception {
        try {
            readSettings();
        } catch (java.io.IOException e) {
            throw new IllegalStateException("settings unusable \u00e9t\u00e9", e);
        }
    }

    private static void readSettings() throws java.io.IOException {
        throw new java.io.IOException("disk gone");
    }
}
