package probe;

public class SecondaryVoid {
    public static void main(String[] args) {}

    public static void secondaryMain(String[] args) {
        System.out.println("secondary void " + String.join("|", args));
    }
}
